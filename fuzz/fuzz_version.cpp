// The update check's version comparison on any pair of version texts (the input split at its
// first line break; a third part after the second one is used for transitivity). It must be an
// order: reflexive, antisymmetric and transitive, or "newer release" flips back and forth.
#include "fuzzsupport.h"
#include "state/store.h"

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = fuzz::bytes(data, size).split('\n');
    const QString a = QString::fromUtf8(parts.value(0));
    const QString b = QString::fromUtf8(parts.value(1));
    const QString c = QString::fromUtf8(parts.value(2));

    FUZZ_CHECK(Store::compareVersions(a, a) == 0);
    const int ab = sign(Store::compareVersions(a, b));
    FUZZ_CHECK(ab == -sign(Store::compareVersions(b, a)));
    if (parts.size() > 2) {
        const int bc = sign(Store::compareVersions(b, c));
        const int ac = sign(Store::compareVersions(a, c));
        if (ab <= 0 && bc <= 0)
            FUZZ_CHECK(ac <= 0);
        if (ab >= 0 && bc >= 0)
            FUZZ_CHECK(ac >= 0);
    }
    return 0;
}

// The autostart entry reader on any file content, and the writer on any program path. The reader
// answers for every file; keys in groups other than [Desktop Entry] never switch the entry off;
// and an entry the writer made for any program reads back as enabled.
#include "fuzzsupport.h"
#include "platform/autostart.h"

#include <QFile>

namespace {

QString entryPath()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/vesk-bar.desktop");
}

LoginItem::Status statusOf(const QByteArray &content)
{
    QFile file(entryPath());
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(content) == content.size());
    file.close();
    return XdgAutostart(entryPath()).status();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using Status = LoginItem::Status;
    const QByteArray input = fuzz::bytes(data, size);

    const Status status = statusOf(input);
    FUZZ_CHECK(status == Status::Enabled || status == Status::RequiresApproval);
    if (!input.contains("[Desktop Entry]"))
        FUZZ_CHECK(status == Status::RequiresApproval);

    QByteArray otherGroup = input;
    otherGroup.replace('[', QByteArray());
    FUZZ_CHECK(statusOf(XdgAutostart::entry(QStringLiteral("/usr/bin/vesk-bar")) + "\n[X-Other]\n" +
                        otherGroup) == Status::Enabled);

    FUZZ_CHECK(statusOf(XdgAutostart::entry(QString::fromUtf8(input))) == Status::Enabled);
    return 0;
}

// The autostart entry reader on any file content, and the writer on any program path. The reader
// answers for every file; keys in groups other than [Desktop Entry] never switch the entry off;
// and an entry the writer made for any program reads back as enabled (or as not found when there
// is no such program), never as switched off.
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

    // An entry whose program is gone reads as NotFound; this program always exists.
    const QString self = QCoreApplication::applicationFilePath();

    const Status status = statusOf(input);
    FUZZ_CHECK(status == Status::Enabled || status == Status::RequiresApproval || status == Status::NotFound);
    if (!input.contains("[Desktop Entry]"))
        FUZZ_CHECK(status == Status::RequiresApproval);

    QByteArray otherGroup = input;
    otherGroup.replace('[', QByteArray());
    FUZZ_CHECK(statusOf(XdgAutostart::entry(self) + "\n[X-Other]\n" + otherGroup) == Status::Enabled);

    const Status written = statusOf(XdgAutostart::entry(QString::fromUtf8(input)));
    FUZZ_CHECK(written == Status::Enabled || written == Status::NotFound);
    return 0;
}

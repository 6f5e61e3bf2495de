// One saving operation over a demo home, run to its end unless killed:
//   crash_child vt|config|save5|pack|unpack|colors|pick HOME [FILE]
// The crash-safety test kills it at random moments and judges the files it leaves.
#include "bookmarks/bookmarkrow.h"
#include "common/prompter.h"
#include "document/prxdocument.h"
#include "vshtool/colourpreset.h"
#include "vshtool/presettransfer.h"
#include "vshtool/vshtool.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

// Says Yes, chooses the file given on the command line, reports what it is told.
class ScriptPrompter : public Prompter
{
public:
    explicit ScriptPrompter(QString file) : m_file(std::move(file)) {}

    Answer ask(const QString &, const QString &, Buttons, Icon) override { return Answer::Yes; }
    void inform(const QString &text, const QString &title, Icon) override
    {
        if (title != QLatin1String("Done"))
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    QString chooseOpenFile(const QString &, const QString &) override { return m_file; }
    QString chooseSaveFile(const QString &, const QString &) override { return m_file; }
    std::optional<Rgb> chooseColour(Rgb, const QString &) override { return Rgb{200, 100, 50}; }
    void beep() override {}
    void setBusy(bool) override {}

private:
    QString m_file;
};

void setValue(PrxDocument &doc, int row, const QString &text)
{
    doc.model().setCell(row, BookmarkRow::Value, text);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString op = args[1];
    const QString home = args[2];
    ScriptPrompter prompter(args.value(3));
    PrxDocument doc(home, prompter);
    doc.startUp();

    if (op == QLatin1String("config")) {
        doc.versionEnter(QStringLiteral("4.05"));
        return 0;
    }
    if (op == QLatin1String("unpack")) {
        doc.openFromCommandLine(args.value(3));
        return doc.moduleOpen() ? 0 : 1;
    }
    doc.openFromCommandLine(home + (op == QLatin1String("vt") ? QStringLiteral("/demo/4.05/vshmain.prx")
                                                               : QStringLiteral("/demo/vshmain.prx")));
    if (!doc.moduleOpen())
        return 1;
    if (op == QLatin1String("vt")) {
        for (int n = 0; n < 3000; ++n) {
            BookmarkRow row;
            row[BookmarkRow::Description] = QStringLiteral("Added %1").arg(n);
            row[BookmarkRow::Offset] = QString::number(0x100 + 4 * n, 16).toUpper();
            row[BookmarkRow::Type] = QStringLiteral("Float");
            row[BookmarkRow::Len] = QStringLiteral("0");
            row[BookmarkRow::File] = QStringLiteral("1");
            doc.model().appendRow(row);
        }
        return doc.SaveVT(doc.prxversion()) ? 0 : 1;
    }
    if (op == QLatin1String("colors") || op == QLatin1String("pick")) {
        VshTool tool(doc);
        if (op == QLatin1String("pick"))
            return tool.WriteColor(ColourTable::Font, 2).status == ColourWrite::Status::Written ? 0 : 1;
        // Every component of every table new, written as an import writes a preset.
        ColourPreset preset;
        QStringList notes;
        if (!PresetTransfer::read(tool, preset, notes).isEmpty())
            return 1;
        for (auto &table : preset.tables)
            if (table)
                for (auto &month : *table)
                    for (auto &component : month)
                        component ^= 0x00400000u;
        return PresetTransfer::write(tool, preset, notes).isEmpty() ? 0 : 1;
    }
    // Rows of the demo list: 0 a Float, 6 a Float in the scrambled code, 8 a Float in file 2.
    setValue(doc, 0, QStringLiteral("7.25"));
    setValue(doc, 6, QStringLiteral("-3.5"));
    setValue(doc, 8, QStringLiteral("42"));
    if (op == QLatin1String("save5"))
        return doc.save() ? 0 : 1;
    if (op == QLatin1String("pack")) {
        doc.saveCompressedAs();
        return 0;
    }
    return 2;
}

#pragma once

#include <QString>
#include <QStringList>

class VshTool;
struct ColourPreset;

// Colour presets between the open module and JSON files. Every table goes to
// and comes from the offsets the current version's bookmark keys give, so a
// preset moves between firmware versions. Wave tables exist from 5.0 on:
// below that they are left out, with a note.
namespace PresetTransfer {

// Empty text when done, else why not. `notes` gets what was left out.
QString read(VshTool &tool, ColourPreset &preset, QStringList &notes);
// Every component is checked first; when one can not be written nothing is.
// The write is one change of the history, named `text`.
QString write(VshTool &tool, const ColourPreset &preset, QStringList &notes,
              const QString &text = QStringLiteral("Import colours"));

// The same through a file; the export file is written whole or not at all.
QString exportTo(VshTool &tool, const QString &path, QStringList &notes);
QString importFrom(VshTool &tool, const QString &path, QStringList &notes);

} // namespace PresetTransfer

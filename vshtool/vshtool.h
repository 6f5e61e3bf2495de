#pragma once

#include "common/rgb.h"
#include "vshtool/colourtable.h"
#include "vshtool/colourtables.h"

#include <QObject>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class PrxDocument;

// The outcome of a colour pick.
struct ColourWrite
{
    enum class Status { Written, Cancelled, NoModule, Refused };
    Status status = Status::Cancelled;
    Rgb colour;
    QString why; // for Refused: what kept the colour out of the module
};

// The outcome of a typed alpha.
struct AlphaWrite
{
    bool written = false;
    std::optional<Rgb> swatch;     // the layer's swatch with the new alpha, when the colour could be read
    std::optional<QString> stored; // when refused: the alpha the module holds, to put back
};

// The XMB colour tables of the open vshmain module: reading them for the
// swatches, writing picked colours and typed alphas straight into the module.
// A write whose bytes do not all lie inside the colour file, or whose keys the
// bookmark section lacks, writes none of them.
class VshTool : public QObject
{
    Q_OBJECT

public:
    explicit VshTool(PrxDocument &doc, QObject *parent = nullptr);

    // The document's own tool, made with the document's first call and gone
    // with the document: the colour picked last outlives the tool window.
    static VshTool &of(PrxDocument &doc);

    PrxDocument &document() { return m_doc; }

    // Every table the version has: font and option bar, from 5.0 on both wave layers.
    ColourTables VSHreadcolor();
    // Asks for a colour and writes it into one month of the table (alpha is
    // never written here).
    ColourWrite WriteColor(ColourTable table, int month);
    // The same into all twelve months.
    ColourWrite WriteColorAllMonths(ColourTable table);
    // A typed alpha text of the back or front layer: a number from 0 to 1 is
    // written at once, anything else is refused and the stored alpha given back.
    AlphaWrite WriteWaveAlpha(ColourTable layer, int month, const QString &text);
    // Five zero bytes at 0x1A0E8 of the colour file, from 5.0 on and with a
    // module set. Empty text when written or not due, else why not.
    QString clearFixed();

    // The colour dialog opens with the colour picked last.
    Rgb lastColour() const { return m_lastColour; }

    // The component positions of one month: red, green, blue, and alpha for
    // the waves (-1 for the others). Nothing, with `why`, when a key is missing.
    std::optional<std::array<qint64, 4>> offsets(ColourTable table, int month, QString *why = nullptr);
    std::optional<quint32> readBits(qint64 offset);
    // All of the (offset, bits) pairs, or none when one does not lie inside
    // the colour file, as one change of the history named `text`. Empty text
    // when written, else why not.
    QString writeBits(const std::vector<std::pair<qint64, quint32>> &components, const QString &text);
    int colourFile() const;

private:
    std::optional<float> readSingle(qint64 offset);
    // Why `count` bytes at each offset can not be written into the colour file, or empty text.
    QString refusal(const std::vector<qint64> &offsets, qint64 count);
    // The red, green and blue positions of every month given, checked before the dialog opens.
    ColourWrite pick(ColourTable table, const std::vector<int> &months);

    PrxDocument &m_doc;
    Rgb m_lastColour{255, 255, 255};
};

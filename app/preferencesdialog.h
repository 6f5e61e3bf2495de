#pragma once

#include "common/rgb.h"

#include <QDialog>
#include <array>

class PrxDocument;
class QCheckBox;
class QLabel;

// The Preferences window (Form4): the four colours of the list and its
// editor, and whether .prx files are associated with the editor. Closing it,
// in any way, stores and applies what it shows.
class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    static const std::array<QString, 4> Captions;

    explicit PreferencesDialog(PrxDocument &document, QWidget *parent = nullptr);

    Rgb colour(int index) const { return m_colours[size_t(index)]; }
    void setColour(int index, Rgb colour);

    // The colours applied to the list and its editor, the association added
    // or removed, then Colors Color.0-3 in decimal and PRXassociation "1" or
    // "0" written to Config.ini at once; a failed write is shown as an error.
    void storeSettings();

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PrxDocument &m_doc;
    std::array<Rgb, 4> m_colours;
    std::array<QLabel *, 4> m_swatches = {};
    QCheckBox *m_associate = nullptr;
};

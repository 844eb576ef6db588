// The generator dialog: font and cell settings, magnified preview, the sample
// text as a C array, and generation of a whole glyph file on the worker.
#pragma once

#include "generation_worker.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tft::fonttools {

class CFontPreviewCtrl;

class CFontTempDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFontTempDlg(QWidget* parent = nullptr);

    // The settings as the dialog shows them now.
    GenerationJob currentSettings() const;
    // "<documents>/<set>_<W>_<H>.bin" in the user's documents folder: the
    // application folder's font/ holds the files the suite ships.
    QString defaultFileName() const;
    // The font list: each family once, without the foundry that the font
    // database adds ("Family [Foundry]") when two makers ship one family.
    static QStringList familyChoices(const QStringList& families);
    QString sampleText() const;
    QString sampleOutput() const;

    // Starts generating into `path` with a copy of the current settings.
    void requestGeneration(const QString& path);
    GenerationRunner& runner() { return runner_; }
    // The text of the last failure shown to the user.
    QString lastFailure() const { return lastFailure_; }

    // Widgets, reachable for tests.
    QComboBox* faceBox() const { return face_; }
    QComboBox* sizeBox() const { return size_; }
    QComboBox* charsetBox() const { return charset_; }
    QComboBox* cellBox() const { return cell_; }
    QCheckBox* halfWidthBox() const { return halfWidth_; }
    QCheckBox* boldBox() const { return bold_; }
    QCheckBox* italicBox() const { return italic_; }
    QRadioButton* horizontalButton() const { return horizontal_; }
    QRadioButton* verticalButton() const { return vertical_; }
    QCheckBox* msbFirstBox() const { return msbFirst_; }
    QLineEdit* sampleEdit() const { return sample_; }
    QPushButton* copyButton() const { return copy_; }
    QProgressBar* progressBar() const { return progress_; }
    CFontPreviewCtrl* preview() const { return preview_; }

private slots:
    void onCharsetChanged();
    void applySettings();
    void copySample();
    void chooseAndGenerate();
    void onFinished(bool ok, const QString& path, const QString& message);

private:
    QComboBox* face_ = nullptr;
    QComboBox* size_ = nullptr;
    QComboBox* charset_ = nullptr;
    QComboBox* cell_ = nullptr;
    QCheckBox* halfWidth_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QRadioButton* horizontal_ = nullptr;
    QRadioButton* vertical_ = nullptr;
    QCheckBox* msbFirst_ = nullptr;
    QLineEdit* sample_ = nullptr;
    QPlainTextEdit* output_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* generate_ = nullptr;
    QProgressBar* progress_ = nullptr;
    CFontPreviewCtrl* preview_ = nullptr;
    GenerationRunner runner_;
    QString lastFailure_;
    QString sampleOutput_;
};

} // namespace tft::fonttools

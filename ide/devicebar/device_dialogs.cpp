#include "device_dialogs.h"

#include "string_table.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace tft::ide {

namespace {

// Entries as the panel's clock text shows them; the index is the format byte.
const char* const kClockFormats = "HH:MM:SS;YYYY-MM-DD HH:MM:SS;";
const char* const kCursorChoices = "Disable;Enable;";

QComboBox* choiceCombo(const QString& entries, const QString& name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(entries.split(QLatin1Char(';'), Qt::SkipEmptyParts));
    return combo;
}

QSpinBox* numberBox(int maximum, int value, const QString& name, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, maximum);
    box->setValue(value);
    return box;
}

QColor toQColor(std::uint32_t colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

void addButtons(QDialog* dialog, QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace

CSetClockDlg::CSetClockDlg(const ClockSettings& initial, const QDateTime& now, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CSetClockDlg"));
    setWindowTitle(ideText(sid::DeviceClock));
    auto* form = new QFormLayout;
    display_ = choiceCombo(ideText(sid::ClockDisplayChoices), QStringLiteral("Display"), this);
    display_->setCurrentIndex(static_cast<int>(initial.display));
    format_ = choiceCombo(QString::fromLatin1(kClockFormats), QStringLiteral("Format"), this);
    format_->setCurrentIndex(static_cast<int>(initial.text.format));
    font_ = numberBox(0xFF, initial.text.font, QStringLiteral("Font"), this);
    colourButton_ = new QPushButton(this);
    colourButton_->setObjectName(QStringLiteral("Colour"));
    setColour(initial.text.colour);
    x_ = numberBox(0xFFFF, initial.text.x, QStringLiteral("X"), this);
    y_ = numberBox(0xFFFF, initial.text.y, QStringLiteral("Y"), this);
    setting_ = choiceCombo(ideText(sid::ClockSettingChoices), QStringLiteral("Setting"), this);
    setting_->setCurrentIndex(static_cast<int>(initial.setting));
    date_ = new QDateEdit(this);
    date_->setObjectName(QStringLiteral("Date"));
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd")); // not the locale's form
    date_->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    date_->setCalendarPopup(true);
    date_->setDate(initial.givenDate.isValid() ? initial.givenDate : now.date());
    time_ = new QTimeEdit(this);
    time_->setObjectName(QStringLiteral("Time"));
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    time_->setTime(initial.givenTime.isValid() ? initial.givenTime : now.time());

    form->addRow(ideText(sid::ClockDisplayLabel), display_);
    form->addRow(ideText(sid::ClockFormatLabel), format_);
    form->addRow(ideText(sid::ClockFontLabel), font_);
    form->addRow(ideText(sid::ClockColourLabel), colourButton_);
    form->addRow(ideText(sid::PositionX), x_);
    form->addRow(ideText(sid::PositionY), y_);
    form->addRow(ideText(sid::ClockSettingLabel), setting_);
    form->addRow(ideText(sid::ClockDateLabel), date_);
    form->addRow(ideText(sid::ClockTimeLabel), time_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    addButtons(this, layout);

    connect(colourButton_, &QPushButton::clicked, this, [this] {
        const QColor c =
            QColorDialog::getColor(toQColor(colour_), this, ideText(sid::ClockColourLabel));
        if (c.isValid())
            setColour(std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 |
                      std::uint32_t(c.blue()) << 16);
    });
    connect(display_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CSetClockDlg::updateEnabled);
    connect(setting_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CSetClockDlg::updateEnabled);
    updateEnabled();
}

void CSetClockDlg::setColour(std::uint32_t colour) {
    colour_ = colour & 0xFFFFFF;
    QPixmap swatch(32, 14);
    swatch.fill(toQColor(colour_));
    colourButton_->setIcon(QIcon(swatch));
    colourButton_->setIconSize(swatch.size());
    const QColor c = toQColor(colour_);
    colourButton_->setText(QStringLiteral("%1;%2;%3").arg(c.red()).arg(c.green()).arg(c.blue()));
}

void CSetClockDlg::updateEnabled() {
    const bool show = display_->currentIndex() == static_cast<int>(ClockDisplayChoice::Show);
    for (QWidget* w : {static_cast<QWidget*>(format_), static_cast<QWidget*>(font_),
                       static_cast<QWidget*>(colourButton_), static_cast<QWidget*>(x_),
                       static_cast<QWidget*>(y_)})
        w->setEnabled(show);
    const bool given = setting_->currentIndex() == static_cast<int>(ClockSettingChoice::GivenTime);
    date_->setEnabled(given);
    time_->setEnabled(given);
}

ClockSettings CSetClockDlg::settings() const {
    ClockSettings s;
    s.display = static_cast<ClockDisplayChoice>(display_->currentIndex());
    s.text.format = static_cast<ClockTextFormat>(format_->currentIndex());
    s.text.font = font_->value();
    s.text.colour = colour_;
    s.text.x = x_->value();
    s.text.y = y_->value();
    s.text.show = s.display == ClockDisplayChoice::Show;
    s.setting = static_cast<ClockSettingChoice>(setting_->currentIndex());
    s.givenDate = date_->date();
    s.givenTime = time_->time();
    return s;
}

CSetCursorDlg::CSetCursorDlg(const CursorSettings& initial, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CSetCursorDlg"));
    setWindowTitle(ideText(sid::DeviceCursor));
    enable_ = choiceCombo(QString::fromLatin1(kCursorChoices), QStringLiteral("Enable"), this);
    enable_->setCurrentIndex(initial.enable ? 1 : 0);
    x_ = numberBox(0xFFFF, initial.x, QStringLiteral("X"), this);
    y_ = numberBox(0xFFFF, initial.y, QStringLiteral("Y"), this);
    width_ = numberBox(0xFF, initial.width, QStringLiteral("Width"), this);
    height_ = numberBox(0xFF, initial.height, QStringLiteral("Height"), this);
    auto* form = new QFormLayout;
    form->addRow(ideText(sid::CursorEnableLabel), enable_);
    form->addRow(ideText(sid::PositionX), x_);
    form->addRow(ideText(sid::PositionY), y_);
    form->addRow(ideText(sid::CursorWidthLabel), width_);
    form->addRow(ideText(sid::CursorHeightLabel), height_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    addButtons(this, layout);
}

CursorSettings CSetCursorDlg::settings() const {
    CursorSettings s;
    s.enable = enable_->currentIndex() == 1;
    s.x = x_->value();
    s.y = y_->value();
    s.width = width_->value();
    s.height = height_->value();
    return s;
}

} // namespace tft::ide

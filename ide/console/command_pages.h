// The command pages of the debug assistant, without widgets: each page is a
// list of fields (label, default) and buttons; a button builds its frames
// from the field texts with the parameter layout the panel reads. The page
// widgets are made from these descriptions.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace tft::ide {

using Frame = std::vector<std::uint8_t>;

// The field texts of one page, with typed readers. A reader that fails
// records the first error and returns 0, so a builder reads every field and
// the caller sends nothing when `error` is set.
class FieldValues {
public:
    explicit FieldValues(QMap<QString, QString> texts) : texts_(std::move(texts)) {}
    QString text(const QString& key) const { return texts_.value(key); }
    // A decimal or 0x-hexadecimal number that fits `bytes` bytes.
    std::uint32_t number(const QString& key, int bytes);
    // Text in the panel's code page (GBK).
    std::vector<std::uint8_t> panelText(const QString& key);
    // Hex bytes ("31 32 33").
    std::vector<std::uint8_t> hexBytes(const QString& key);
    // "x,y;x,y;..." (or one "a,b,c" group): each number a 16-bit value.
    std::vector<std::vector<std::uint16_t>> groups(const QString& key);
    void fail(const QString& message) {
        if (error.isEmpty())
            error = message;
    }
    QString error;

private:
    QMap<QString, QString> texts_;
};

struct PageField {
    QString key;
    QString label;
    QString initial;
    QStringList choices; // a drop-down list when not empty (the value is the index)
};

struct PageButton {
    QString label;
    std::function<std::vector<Frame>(FieldValues&)> build;
};

struct CommandPageForm {
    QString className; // CDebugScreenPage ...
    QString title;     // the tab's caption
    std::vector<PageField> fields;
    std::vector<PageButton> buttons;
};

// The eighteen command pages in tab order (the custom page comes after them).
const std::vector<CommandPageForm>& commandPages();
const CommandPageForm* commandPage(const QString& className);

// The frames of one button with the page's initial values replaced by
// `texts`; empty with `error` when a field does not read.
std::vector<Frame> buildFrames(const CommandPageForm& page, const QString& button,
                               const QMap<QString, QString>& texts, QString* error);

// The SetBaudRate parameter of each of the 13 rates, in the rate list's order.
extern const std::uint8_t kBaudRateCodes[13];

// The RTC page's refusal text (string 150) is looked up by the caller; the
// builder marks it with this error text.
extern const char* const kYearOutOfRange;

} // namespace tft::ide

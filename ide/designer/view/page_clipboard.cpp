#include "page_clipboard.h"

#include <QMimeData>
#include <cstring>
#include <pugixml.hpp>

namespace tft::ide::view {

namespace {

bool isItemForm(const std::string& text) {
    pugi::xml_document document;
    return document.load_buffer(text.data(), text.size()) &&
           std::strcmp(document.document_element().name(), "DrawPage") == 0 &&
           document.document_element().child("item");
}

} // namespace

QMimeData* itemsMimeData(const std::string& items) {
    auto* data = new QMimeData;
    const QByteArray bytes = QByteArray::fromStdString(items);
    data->setData(kItemsMimeType, bytes);
    data->setText(QString::fromUtf8(bytes));
    return data;
}

std::string itemsFromMimeData(const QMimeData* data) {
    if (!data)
        return {};
    std::string text;
    if (data->hasFormat(kItemsMimeType))
        text = data->data(kItemsMimeType).toStdString();
    else if (data->hasText())
        text = data->text().toStdString();
    return isItemForm(text) ? text : std::string();
}

} // namespace tft::ide::view

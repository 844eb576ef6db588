#include "data_exchange.h"

#include <cmath>
#include <cstring>

namespace tft::ide::basic_shape {

void CXMLDataExchange::add(Binding binding) {
    if (!find(binding.name))
        bindings_.push_back(std::move(binding));
}

void CXMLDataExchange::bindInteger(const char* name, std::int32_t& member, std::int32_t fallback,
                                   ValueCode code, bool readsReal) {
    add(Binding{name, code, readsReal, &member, fallback});
}

void CXMLDataExchange::bindColour(const char* name, std::uint32_t& member, std::uint32_t fallback) {
    add(Binding{name, ValueCode::Colour, false, &member, fallback});
}

void CXMLDataExchange::bindText(const char* name, std::string& member, std::string fallback) {
    add(Binding{name, ValueCode::Text, false, &member, std::move(fallback)});
}

void CXMLDataExchange::bindReal(const char* name, double& member, double fallback) {
    add(Binding{name, ValueCode::Real, false, &member, fallback});
}

void CXMLDataExchange::bindFont(const char* name, FontValue& member, FontValue fallback) {
    add(Binding{name, ValueCode::Font, false, &member, std::move(fallback)});
}

const Binding* CXMLDataExchange::find(std::string_view name) const {
    for (const Binding& binding : bindings_)
        if (name == binding.name)
            return &binding;
    return nullptr;
}

bool CXMLDataExchange::read(const Binding& binding, std::string_view text) {
    if (auto* integer = std::get_if<std::int32_t*>(&binding.member)) {
        if (binding.readsReal) {
            const auto real = readReal(text);
            if (!real || std::fabs(*real) >= 2147483648.0)
                return false;
            **integer = static_cast<std::int32_t>(*real);
            return true;
        }
        if (binding.code >= ValueCode::UInt8 && binding.code <= ValueCode::UInt64) {
            const auto value = readUnsigned(binding.code, text);
            if (!value || *value > static_cast<std::uint64_t>(INT32_MAX))
                return false;
            **integer = static_cast<std::int32_t>(*value);
            return true;
        }
        const auto value = readInteger(binding.code, text);
        if (!value || *value < INT32_MIN || *value > INT32_MAX)
            return false;
        **integer = static_cast<std::int32_t>(*value);
        return true;
    }
    if (auto* colour = std::get_if<std::uint32_t*>(&binding.member)) {
        const auto value = readColour(text);
        if (!value)
            return false;
        **colour = *value;
        return true;
    }
    if (auto* string = std::get_if<std::string*>(&binding.member)) {
        **string = std::string(text);
        return true;
    }
    if (auto* real = std::get_if<double*>(&binding.member)) {
        const auto value = readReal(text);
        if (!value)
            return false;
        **real = *value;
        return true;
    }
    const auto font = readFont(text);
    if (!font)
        return false;
    *std::get<FontValue*>(binding.member) = *font;
    return true;
}

std::string CXMLDataExchange::write(const Binding& binding) {
    if (auto* integer = std::get_if<std::int32_t*>(&binding.member))
        return writeInteger(**integer);
    if (auto* colour = std::get_if<std::uint32_t*>(&binding.member))
        return writeColour(**colour);
    if (auto* string = std::get_if<std::string*>(&binding.member))
        return **string;
    if (auto* real = std::get_if<double*>(&binding.member))
        return writeReal(**real);
    return writeFont(*std::get<FontValue*>(binding.member));
}

void CXMLDataExchange::reset(const Binding& binding) {
    std::visit(
        [&binding](auto* member) {
            using Member = std::remove_pointer_t<decltype(member)>;
            *member = std::get<Member>(binding.fallback);
        },
        binding.member);
}

} // namespace tft::ide::basic_shape

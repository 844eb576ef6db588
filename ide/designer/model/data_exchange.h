// CXMLDataExchange: a shape's table of (attribute, member, value code). Each
// kind fills it from the compiler's own description of the kind, so a shape
// reads and writes exactly the attributes the compiler reads.
#pragma once

#include "value_codes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tft::ide::basic_shape {

struct Binding {
    using Member = std::variant<std::int32_t*, std::uint32_t*, std::string*, double*, FontValue*>;
    using Value = std::variant<std::int32_t, std::uint32_t, std::string, double, FontValue>;
    const char* name = "";
    ValueCode code = ValueCode::Text;
    // An integer read as a real and truncated toward zero (as the compiler does).
    bool readsReal = false;
    Member member;
    Value fallback;
};

class CXMLDataExchange {
public:
    // Registering a name twice keeps the first.
    void bindInteger(const char* name, std::int32_t& member, std::int32_t fallback,
                     ValueCode code = ValueCode::Int32, bool readsReal = false);
    void bindColour(const char* name, std::uint32_t& member, std::uint32_t fallback);
    void bindText(const char* name, std::string& member, std::string fallback);
    void bindReal(const char* name, double& member, double fallback);
    void bindFont(const char* name, FontValue& member, FontValue fallback);

    const std::vector<Binding>& bindings() const { return bindings_; }
    const Binding* find(std::string_view name) const;

    // Sets the member from its text form; false, member unchanged, when the
    // text is not a value of the binding's code.
    static bool read(const Binding& binding, std::string_view text);
    static std::string write(const Binding& binding);
    static void reset(const Binding& binding);

private:
    void add(Binding binding);
    std::vector<Binding> bindings_;
};

} // namespace tft::ide::basic_shape

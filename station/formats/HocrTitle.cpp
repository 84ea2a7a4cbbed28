#include "HocrTitle.h"

#include <sstream>

#include "ParseNumber.h"
#include "Utf8.h"
#include "XmlSource.h"

namespace {

std::string Number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

HocrTitle::HocrTitle(const std::wstring& title)
{
    std::wstringstream parts(title);
    std::wstring part;
    while (std::getline(parts, part, L';')) {
        std::wstringstream words(part);
        Property property;
        words >> property.name;
        std::wstring value;
        while (words >> value) {
            property.values.push_back(value);
        }
        if (!property.name.empty()) {
            m_properties.push_back(property);
        }
    }
}

size_t HocrTitle::Count(const wchar_t* name) const
{
    const Property* property = Find(name);
    return property == nullptr ? 0 : property->values.size();
}

bool HocrTitle::Numbers(const wchar_t* name, size_t count, double least, double most, std::vector<double>& values,
                        const XmlSource& source) const
{
    const Property* property = Find(name);
    if (property == nullptr) {
        return false;
    }
    values.assign(count, 0);
    for (size_t i = 0; i < count; ++i) {
        if (i >= property->values.size() || !ParseDecimal(property->values[i], least, most, values[i])) {
            source.Fail("malformed \"" + WideToUtf8(name) + "\" in a title (numbers from " + Number(least) + " to " +
                        Number(most) + " expected)");
        }
    }
    return true;
}

Box HocrTitle::BoundingBox(const wchar_t* name, const XmlSource& source, size_t index) const
{
    const Property* property = Find(name);
    if (property == nullptr) {
        source.Fail("an element has no \"" + WideToUtf8(name) + "\"");
    }
    long long corners[4] = {};
    for (size_t i = 0; i < 4; ++i) {
        const size_t at = 4 * index + i;
        if (at >= property->values.size() || !ParseInteger(property->values[at], 0, Box::kMaxCoordinate, corners[i])) {
            source.Fail("malformed \"" + WideToUtf8(name) + "\" in a title (four whole numbers from 0 to " +
                        std::to_string(Box::kMaxCoordinate) + " expected)");
        }
    }
    const int left = static_cast<int>(corners[0]);
    const int top = static_cast<int>(corners[1]);
    return {left, top, static_cast<int>(corners[2]) - left, static_cast<int>(corners[3]) - top};
}

std::string HocrTitle::Verified(const std::string& title, const Box* box)
{
    std::vector<std::string> parts;
    std::stringstream properties(title);
    std::string property;
    bool confidence = false;
    while (std::getline(properties, property, ';')) {
        std::stringstream words(property);
        std::string name;
        words >> name;
        const std::string lead = property.substr(0, property.find_first_not_of(' '));
        if (name == "x_bboxes" || name == "x_confs" || name == "cuts") {
            continue;
        }
        if (name == "x_wconf") {
            property = lead + "x_wconf 100";
            confidence = true;
        } else if (name == "bbox" && box != nullptr) {
            property = lead + "bbox " + std::to_string(box->left) + " " + std::to_string(box->top) + " " +
                       std::to_string(box->Right()) + " " + std::to_string(box->Bottom());
        }
        parts.push_back(property);
    }
    if (!confidence) {
        parts.push_back(parts.empty() ? "x_wconf 100" : " x_wconf 100");
    }
    std::string result;
    for (size_t i = 0; i < parts.size(); ++i) {
        result += (i == 0 ? "" : ";") + parts[i];
    }
    return result;
}

const HocrTitle::Property* HocrTitle::Find(const wchar_t* name) const
{
    for (const Property& property : m_properties) {
        if (property.name == name) {
            return &property;
        }
    }
    return nullptr;
}

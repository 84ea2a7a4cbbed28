#pragma once

#include <string>
#include <vector>

#include "Box.h"

class XmlSource;

// The properties of an hOCR element's title ("bbox 1 2 3 4; x_wconf 96"), by name. A
// malformed value fails the source being read, at its line.
class HocrTitle {
public:
    explicit HocrTitle(const std::wstring& title);

    bool Has(const wchar_t* name) const { return Find(name) != nullptr; }

    // How many values the property has; 0 when the title has no such property.
    size_t Count(const wchar_t* name) const;

    // The property's first `count` values, each within [least, most]; false when the title
    // has no such property. Throws InputError when it is malformed.
    bool Numbers(const wchar_t* name, size_t count, double least, double most, std::vector<double>& values,
                 const XmlSource& source) const;

    // The property's `index`-th box (its values from 4 x index on: left, top, right, bottom).
    // Throws InputError when the title has none or it is malformed.
    Box BoundingBox(const wchar_t* name, const XmlSource& source, size_t index = 0) const;

    // `title` (UTF-8) with x_wconf 100 and, when given, the new bounding box, without the
    // properties of the old characters (their boxes, confidences and cuts); its other
    // properties as they were.
    static std::string Verified(const std::string& title, const Box* box);

private:
    struct Property {
        std::wstring name;
        std::vector<std::wstring> values;
    };

    const Property* Find(const wchar_t* name) const;

    std::vector<Property> m_properties;
};

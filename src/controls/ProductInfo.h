#pragma once
#include <string>

namespace merilane {

// What the program's version resource says about it.
struct ProductInfo {
    std::wstring name;
    int major = 0;
    int minor = 0;
    int revision = 0;
    std::wstring originalFileName; // the executable's name as built
};

const ProductInfo& Product();

} // namespace merilane

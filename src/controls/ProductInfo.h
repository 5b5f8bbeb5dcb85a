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
// The full path of this program's executable, however long it is.
std::wstring OwnExecutablePath();

// The product's web page; the program's links to it add the query "?q=purl".
inline constexpr const wchar_t* kProductPage = L"https://merilane.org/";
inline constexpr const wchar_t* kProductPageQuery = L"?q=purl";

} // namespace merilane

#include "controls/Error.h"
#include "controls/Text.h"

namespace merilane {
namespace {

std::wstring DefaultDescription(long number) {
    switch (number) {
    case kInvalidProcedureCall:
        return L"Invalid procedure call or argument";
    case kOverflow:
        return L"Overflow";
    case kObjectRequired:
        return L"Object required";
    case kKeyAlreadyAssociated:
        return L"This key is already associated with an element of this collection";
    case kElementNotFound:
        return L"Element not found";
    case kKeyNotUnique:
        return L"Key is not unique in collection";
    default:
        return L"Application-defined or object-defined error";
    }
}

} // namespace

Error::Error(long number, std::wstring description)
    : std::runtime_error(ToUtf8(description.empty() ? DefaultDescription(number) : description)),
      m_number(number),
      m_description(description.empty() ? DefaultDescription(number) : std::move(description)) {}

void Raise(long number, std::wstring description) {
    throw Error(number, std::move(description));
}

std::wstring DescriptionOf(const std::exception& e) {
    if (auto* err = dynamic_cast<const Error*>(&e))
        return err->Description();
    return FromUtf8(e.what());
}

long NumberOf(const std::exception& e) {
    if (auto* err = dynamic_cast<const Error*>(&e))
        return err->Number();
    return 0;
}

} // namespace merilane

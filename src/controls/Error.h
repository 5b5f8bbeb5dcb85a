#pragma once
#include <stdexcept>
#include <string>

namespace merilane {

// The failures that callers tell apart. The numbers are those the rest of the program, and its
// users' bug reports, know them by.
enum ErrorNumber : long {
    kInvalidProcedureCall = 5,
    kOverflow = 6,
    kObjectRequired = 91,
    kKeyAlreadyAssociated = 457,
    kWindowNotResponding = 1001,
    kElementNotFound = 35601,
    kKeyNotUnique = 35602,
};

class Error : public std::runtime_error {
  public:
    Error(long number, std::wstring description);

    long Number() const noexcept { return m_number; }
    const std::wstring& Description() const noexcept { return m_description; }

    // Element-not-found and key-not-unique are harmless while tabs are made and activated.
    bool IsHarmlessControlFailure() const noexcept {
        return m_number == kElementNotFound || m_number == kKeyNotUnique;
    }

  private:
    long m_number;
    std::wstring m_description;
};

[[noreturn]] void Raise(long number, std::wstring description = {});

std::wstring DescriptionOf(const std::exception& e);
long NumberOf(const std::exception& e);

} // namespace merilane

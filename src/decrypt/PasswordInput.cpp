#include "decrypt/PasswordInput.h"

namespace orvelle::decrypt {

std::optional<std::string> readPassword(std::istream& in) {
    std::string password;
    char c = 0;
    while (in.get(c) && c != '\n') {
        if (password.size() == kMaxPasswordLength) return std::nullopt;
        password += c;
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return password;
}

} // namespace orvelle::decrypt

// Password hashes: the store keeps only salted crypt(3) hashes (yescrypt),
// never a password itself.
#ifndef PVXJSIM_PASSWORD_H
#define PVXJSIM_PASSWORD_H

#include <string>
#include <string_view>

namespace pvxjsim {

// A new salted hash of password ("$y$..."). Throws std::runtime_error when the
// system cannot make one (no randomness, no yescrypt).
std::string HashPassword(std::string_view password);

// Whether password matches hash. A hash that is not one crypt(3) understands
// matches nothing.
bool CheckPassword(std::string_view password, const std::string& hash);

// Whether text has the form of a hash this client writes.
bool LooksLikePasswordHash(std::string_view text);

}  // namespace pvxjsim

#endif

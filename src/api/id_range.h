#pragma once
// The range of ids the API keywords take in the keyword table.
namespace kr::api {
inline constexpr int kFirstApiId = 278;
inline constexpr int kLastApiId = 1485;
}  // namespace kr::api

// The PINs every test uses: the token's security officer and user PINs that the
// simulated tokens are prepared with, and the PIN of the simulated device's default card.
#pragma once

inline constexpr char kSoPin[] = "87654321";
inline constexpr char kUserPin[] = "1234";
inline constexpr char kDevicePin[] = "123456";

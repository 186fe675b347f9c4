#pragma once
// What a build of the library holds. keb.dll and the host library: every
// method, decoding on up to two threads. The single-file launcher's own copy
// (compiled with KEB_LAUNCHER_PROFILE): only the methods of the archives
// orvanta writes for it, decoded on the caller's thread, so that no thread,
// cipher or hash code is linked into that small program, and its CRC goes a
// byte at a time with one 1 KB table instead of eight.
namespace keb {

#ifdef KEB_LAUNCHER_PROFILE
inline constexpr bool kEveryMethod = false;
inline constexpr unsigned kMostThreads = 1;
inline constexpr bool kSlicedCrc = false;
#else
inline constexpr bool kEveryMethod = true;
inline constexpr unsigned kMostThreads = 2;
inline constexpr bool kSlicedCrc = true;
#endif

}  // namespace keb

#pragma once
// The two face copies of the last finished build, kept in "Work" beside the
// animation they made: what the in-memory render of that same animation
// reads, even after the user has chosen other pictures or another scale.
namespace pivra {

inline constexpr const char* kBuiltHeadFace = "Work/built-head.gif";
inline constexpr const char* kBuiltTailFace = "Work/built-tail.gif";

}  // namespace pivra

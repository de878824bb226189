// Every text the engine queues, in one place: callers and tests compare them
// byte for byte, so they are written nowhere else.
#pragma once

namespace qv::msg {

inline constexpr char kWindowNotCreated[] = "Failed to create GLFW window";
inline constexpr char kGladNotLoaded[] = "Failed to initialize GLAD";
inline constexpr char kFboIncomplete[] = "Failed to initialize FBO";
inline constexpr char kOutBufferLayerMissing[] = "Failed on initializing outBufferLayer.\n";
inline constexpr char kOutBufferLayerData[] = "Failed on initializing outBufferLayer(data).\n";
inline constexpr char kUserDataLost[] = "QUORVEL_INNER_ERROR::\nUser data lost while rendering.";
inline constexpr char kOutputBufferCrashed[] = "QUORVEL_INNER_ERROR::\nOutput buffer crashed.";
inline constexpr char kParametersContextLost[] =
    "QUORVEL::INNER_ERROR:\nLua userdata lost in GLSLCore while load Parameters.";
inline constexpr char kCopyNullPointer[] = "QUORVEL::INNER_ERROR:\nNull pointer while calling copyToBuffer.";
inline constexpr char kMemoryNotEnough[] = "GLSL Core error : Memory not enough.\n";
inline constexpr char kTextureTooLarge[] =
    "GLSL Core error : Frame or layer larger than the GPU's maximum texture size.\n";
inline constexpr char kVertexCompileFailed[] = "ERROR::SHADER::VERTEX::COMPILATION_FAILED\n";
inline constexpr char kFragmentCompileFailed[] = "ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n";
inline constexpr char kLinkFailed[] = "ERROR::SHADER::PROGRAM::LINKING_FAILED\n";

} // namespace qv::msg

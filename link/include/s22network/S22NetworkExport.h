#pragma once
// Marks what the protocol library exports; everything else in it stays hidden.

#if defined(_WIN32)
#if defined(S22NETWORK_BUILDING)
#define S22NETWORK_API __declspec(dllexport)
#elif defined(S22NETWORK_STATIC)
#define S22NETWORK_API
#else
#define S22NETWORK_API __declspec(dllimport)
#endif
#else
#define S22NETWORK_API __attribute__((visibility("default")))
#endif

#pragma once
// Part of the protocol library's public interface.
#include "s22network/S22Network.h"

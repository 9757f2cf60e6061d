#pragma once

#include "common/sha256.h"

namespace rmtest {

using rm::tools::sha256Hex;

}  // namespace rmtest

// Kept for the folders that include it by this name; the helpers live in support/Win.h.
#pragma once

#include "support/Win.h"

#include "query/GameServer.h"

#include <gtest/gtest.h>

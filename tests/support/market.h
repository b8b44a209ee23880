// The market fixture now lives with the others.
#pragma once

#include "support/fixtures.h"

#pragma once
#include "sim/session.h"

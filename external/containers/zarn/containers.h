// The container layer: shared-storage vectors and matrices, fixed-size values.
#pragma once

#include "dense1D.h"
#include "dense2D.h"
#include "fixed.h"
#include "storage.h"

// Edit-field model of the vehicle definition tab.
#include "vehicle/VehicleFields.h"

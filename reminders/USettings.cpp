#include "USettings.h"

int32_t Position = 0;
int32_t Alarm = 0;
int32_t blend = 0;

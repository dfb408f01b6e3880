#include "shell/settings/AppSettings.h"

#include "shell/document/AfxFile.h"

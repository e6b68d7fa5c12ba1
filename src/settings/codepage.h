// The code pages live in src/document; this include stays for the files that still name it here.
#pragma once

#include "document/codepage.h"

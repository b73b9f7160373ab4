// The program's version, used by the version resource and the about box.
#pragma once

#define QZ_VERSION_MAJOR 1
#define QZ_VERSION_MINOR 2
#define QZ_VERSION_TEXT "1.2"
#define QZ_PRODUCT_NAME "Quarv Zodora"

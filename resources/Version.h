#pragma once
// The product version that every binary carries.
#define BRISKO_VERSION_NUMBERS 1, 0, 0, 0
#define BRISKO_VERSION_TEXT "1.0.0.0"
#define BRISKO_PRODUCT_NAME "Brisko Capture"
#define BRISKO_HOME_PAGE "https://brisko-capture.example/"

/* The program's version, for the version resources. */
#define VANDREL_VERSION_BINARY 9,0,26,320
#define VANDREL_VERSION_TEXT "9.0.26.320"
#define VANDREL_COMPANY "Vandrel Software"
#define VANDREL_COPYRIGHT "\251 2019-2026 Vandrel Software"
#define VANDREL_PRODUCT "Vandrel"

#include "tree_test_support.h"

// GDI+ for the whole run: the skin's images and font are GDI+ objects.
static ::testing::Environment* const gGdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

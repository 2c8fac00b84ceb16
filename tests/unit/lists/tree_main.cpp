#include "tree_test_support.h"

// GDI+ for the whole run: the skin's images and font are GDI+ objects.
struct GdiplusForTheRun : ::testing::Environment {
    void SetUp() override { StartGdiplusOnce(); }
};
static ::testing::Environment* const gGdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusForTheRun);

// Unit tests run Allegro without a display: memory bitmaps, makecol, config
// files and key[] work; timers, the keyboard and the screen do not.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

namespace {

class AllegroWithoutDisplay : public ::testing::Environment {
  public:
    void SetUp() override
    {
        ASSERT_EQ(0, install_allegro(SYSTEM_NONE, &errno, atexit));
        set_color_depth(32);
    }
};

}  // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new AllegroWithoutDisplay);
    return RUN_ALL_TESTS();
}

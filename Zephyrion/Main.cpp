// The program's entry point.
#include <allegro.h>

#include "Std/Platform.h"
#include "Zephyrion/Zephyrion.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char **argv)
{
    int status = zephyrionMain(argc, argv);
#if defined(__SANITIZE_ADDRESS__)
    // A checked build looks for leaks now: at exit Allegro has unloaded its
    // driver modules, and what they hold could no longer be told apart.
    __lsan_do_leak_check();
#endif
    return endProgram(status);
}
END_OF_MAIN()

// The program's entry point.
#include <allegro.h>

#include "Zephyrion/Zephyrion.h"

int main()
{
    return zephyrionMain();
}
END_OF_MAIN()

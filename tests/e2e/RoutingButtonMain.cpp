// Prints which picture the routing button of the application's main window shows (see
// RoutingButtonPicture), for the server-loss loop:
//
//   kestro_e2e_routing_button <X window id>

#include "RoutingButtonPicture.h"

#include <cstdio>

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s <X window id>\n", argv[0]);
        return 2;
    }

    std::printf ("%s\n", RoutingButtonPicture::read (argv[1]).toRawUTF8());
    return 0;
}

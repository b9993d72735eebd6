#include "FlashOptions.h"

#include <stdlib.h>
#include <string.h>

bool FlashOptions::parse(int argc, char** argv)
{
    if (argc < 2) {
        error = "Kein Befehl angegeben.";
        return false;
    }
    std::string name = argv[1];
    int next = 2;
    if (name == "--help" || name == "-h" || name == "/?") {
        command = HELP;
        return argc == 2 || (error = "Zu viele Argumente.").empty();
    }
    if (name == "list") {
        command = LIST;
    } else if (name == "update") {
        command = UPDATE;
        if (argc < 3) {
            error = "Gerätenummer oder \"all\" fehlt.";
            return false;
        }
        std::string which = argv[next++];
        char* end = nullptr;
        unsigned long n = strtoul(which.c_str(), &end, 10);
        if (which == "all")
            station = 0;
        else if (!which.empty() && which[0] >= '0' && which[0] <= '9' && *end == '\0' && n >= 1 &&
                 n <= 255)
            station = static_cast<unsigned int>(n);
        else {
            error = "Ungültige Gerätenummer: " + which;
            return false;
        }
    } else {
        error = "Unbekannter Befehl: " + name;
        return false;
    }
    for (; next < argc; ++next) {
        std::string option = argv[next];
        if (option == "--json")
            json = true;
        else if (command == UPDATE && option == "--test")
            testMode = true;
        else if (command == UPDATE && option == "--force")
            force = true;
        else if (command == UPDATE && option == "--file" && next + 1 < argc &&
                 argv[next + 1][0] != '\0')
            file = argv[++next];
        else {
            error = "Unbekannte Option: " + option;
            return false;
        }
    }
    return true;
}

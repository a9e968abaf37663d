// ui_driver.exe SCRIPT: plays a script of user actions against another program's dialogs.
// Exit status 0 when every step passed, 1 otherwise, 2 for a bad invocation.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "driver.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ui_driver SCRIPT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "ui_driver: cannot read %s\n", argv[1]);
    return 2;
  }
  std::ostringstream text;
  text << in.rdbuf();
  ui_driver::Driver driver;
  return driver.Run(ui_driver::ParseScript(text.str())) == 0 ? 0 : 1;
}

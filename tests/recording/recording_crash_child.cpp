// A station recording that runs until it is killed: it records into the folder given, answering
// No to the zero question and Yes to the start, and prints "entries N" on stdout each time the
// subtitle track holds more complete entries (each one already journaled when printed).
#include <clocale>
#include <cstdio>
#include <iostream>

#include "recording_rig.h"

int main(int argc, char** argv) {
  // The C library follows the environment's locale, as it does in the station.
  std::setlocale(LC_ALL, "");
  if (argc != 2) {
    std::cerr << "usage: recording_crash_child FOLDER\n";
    return 2;
  }
  wellvue::test::Rig rig(argv[1]);
  if (!rig.start(false)) {
    std::cerr << "the recording did not start\n";
    return 1;
  }
  std::cout << "recording " << rig.engine->RecordingFile() << std::endl;
  int reported = 0;
  for (;;) {
    rig.run_for(20);
    const int n = wellvue::test::entries_in(rig.link->track());
    if (n > reported) {
      reported = n;
      std::cout << "entries " << n << std::endl;
    }
  }
}

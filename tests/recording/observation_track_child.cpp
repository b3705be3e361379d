// A recording's observation track that runs until it is killed: it adds an observation every
// 20 ms of video into the file given and prints "cues N" on stdout once the N-th is journaled.
#include <chrono>
#include <clocale>
#include <iostream>
#include <string>
#include <thread>

#include "recording/observation_track.h"

int main(int argc, char** argv) {
  // The C library follows the environment's locale, as it does in the station.
  std::setlocale(LC_ALL, "");
  if (argc != 2) {
    std::cerr << "usage: observation_track_child FILE\n";
    return 2;
  }
  wellvue::ObservationTrack track;
  if (!track.open(argv[1])) {
    std::cerr << "cannot open " << argv[1] << "\n";
    return 1;
  }
  // Two seconds apart: each cue is cut short by the next one.
  for (int n = 1;; ++n) {
    track.add(n * 2000LL, "Joint " + std::to_string(n), n % 2 ? "note " + std::to_string(n) : "", n * 1.5);
    if (track.failed()) return 1;
    std::cout << "cues " << n << std::endl;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

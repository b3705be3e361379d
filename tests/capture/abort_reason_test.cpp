// What the operator is told when a recording is aborted, from the event the backend raised.
#include "capture/abort_reason.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine_fixture.h"

namespace wellvue {
namespace {

TEST(AbortReasonText, PerFailure) {
  struct Case {
    HResult code;
    const char* platform;
    const char* folder;
    const char* expected;
  };
  const Case cases[] = {
      {E_DISK_FULL, "No space left on the resource.", "/media/x",
       "disque plein dans /media/x (plus de place pour la vid\xE9o)"},
      {E_WRITE_FAULT, "Input/output error", "/media/x",
       "erreur d'\xE9"
       "criture de la vid\xE9o dans /media/x : Input/output error"},
      {E_ACCESSDENIED, "", "/media/x",
       "impossible de cr\xE9"
       "er le fichier vid\xE9o dans /media/x"},
      {E_FILE_EXISTS, "File exists", "/v",
       "impossible de cr\xE9"
       "er le fichier vid\xE9o dans /v : File exists"},
      {E_FAIL, "", "/v", "enregistrement interrompu (code 80004005)"},
      {VFW_E_CANNOT_CONNECT, "not negotiated", "/v", "enregistrement interrompu (code 80040217) : not negotiated"},
      {E_DISK_FULL, "", "", "disque plein dans le dossier courant (plus de place pour la vid\xE9o)"},
  };
  for (const Case& c : cases) EXPECT_EQ(AbortReasonText(c.code, c.platform, c.folder), c.expected);
}

using test::EngineTest;

// The engine tells why in the folder the recording went to, once, and forgets it at the next start.
TEST_F(EngineTest, AbortDuringACaptureTellsWhyInTheRecordingsFolder) {
  apply();
  ASSERT_TRUE(cap->StartCapture(false));
  backend.push_event(EC_ERRORABORT, E_DISK_FULL, "No space left on the resource.");
  scheduler.run_posted();
  EXPECT_FALSE(cap->Capturing());
  EXPECT_EQ(std::count(events.begin(), events.end(), "Aborted"), 1);
  EXPECT_EQ(cap->LastAbortReason(), "disque plein dans " + dir.string() + " (plus de place pour la vid\xE9o)");
  EXPECT_EQ(cap->RecordingFile(), path("final.avi"));
  ASSERT_TRUE(cap->StartCapture(false));
  EXPECT_EQ(cap->LastAbortReason(), "");
  EXPECT_EQ(cap->LastAbortCode(), 0);
}

}  // namespace
}  // namespace wellvue

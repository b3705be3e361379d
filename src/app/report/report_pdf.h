// The inspection report of a recording as a PDF in French, drawn with Qt's PDF writer: the
// header facts and files, the descent profile, the strip log of the bore, the observations with
// their photos, then every photo.
#pragma once
#include <string>

#include "report/report_content.h"

namespace wellvue {

// Draws the report of the gathered content into pdf (through a temporary file: an existing
// report stays as it was on a failure). False with a French error (UTF-8) when it cannot be
// written.
bool write_report_pdf(const ReportContent& content, const std::string& pdf, std::string& error);

// Gathers the recording's files (its AVI, SRT, depth record or base name) and writes the report;
// false with a French error (UTF-8) when the recording cannot be read or the PDF cannot be
// written. Needs a QGuiApplication (the offscreen platform will do).
bool write_recording_report(const std::string& rec, const std::string& pdf, const ReportOptions& options,
                             std::string& error);

}  // namespace wellvue

#pragma once
// The modal print preview of a banded report, titled "打印预览": the user looks at the pages,
// prints them from the preview's own print button, or saves them as a PDF file through the
// button "保存为PDF", which asks for the name with the application's save dialog.
class QWidget;

namespace platform::report {

class BandReport;

// Runs the preview through the application's modal loop; returns when it closes. A PDF the
// user asked for and that cannot be written is reported with the application's error report,
// and the preview stays open.
void ShowPreview(BandReport& report, QWidget* parent = nullptr);

} // namespace platform::report

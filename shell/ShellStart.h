#pragma once
// Steps both programs take alike as their frame comes up.

#include <QString>

class CPageView;
class CPublic;
class QWidget;

namespace shellstart {

// The stored look of the table: the card back, the table (the user's picture
// only while its file opens) and the background, on the table and selected
// in the appearance page's lists.
void ApplyLook(CPublic& table, CPageView& page, int shirt, int tableNumber,
               const QString& imageFile, int background);

// The game starts with its defaults either way; says once, over the frame,
// that nothing will be kept when the settings folder cannot be used.
void ReportSettingsProblem(QWidget* frame);

} // namespace shellstart

#pragma once

class QLineEdit;

// Styles a text field as glass: primary text at 12.5 points on a translucent rounded rectangle with
// a hairline border.
void quorGlassInputField(QLineEdit* field, double cornerRadius, double horizontalPadding, double verticalPadding);

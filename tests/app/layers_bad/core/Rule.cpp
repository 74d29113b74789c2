// A rules file that must not pass the layer check: it reaches for a widget.
#include <QMessageBox>

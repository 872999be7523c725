#include "app/MessageFilter.h"

#include <QString>
#include <QtGlobal>

namespace {

QtMessageHandler previousHandler = nullptr;

void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("This plugin does not support propagateSizeHints()")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

void InstallMessageFilter() {
    QtMessageHandler previous = qInstallMessageHandler(FilterMessages);
    if (previous != FilterMessages)
        previousHandler = previous;
}

#include "support_TrackerAnswers.h"

#include <QByteArrayList>

QByteArray TrackerAnswer(const QByteArray& commandText)
{
    // "(P05,0)", "(P11,0,3)", "(P17,1,abc)", "(T01,0)", "(P20)"
    const QByteArray inner = commandText.mid(1, commandText.size() - 2);
    const QByteArrayList parts = inner.split(',');
    const QByteArray tag = parts.value(0);
    const QByteArray head = QByteArray(TrackerId) + ',' + tag;
    if (tag == "T01")
        return '(' + head + ",0,Truck7,4,24,80)";
    if (parts.size() < 2)
        return '(' + head + ')';
    if (parts[1] == "1")
        return '(' + head + ',' + parts.mid(2).join(',') + ')';
    QByteArray values;
    switch (tag.mid(1).toInt()) {
    case 1: values = "V2.05"; break;
    case 4: values = "60,1"; break;
    case 5: values = "10.1.2.3,9000,INTERNET,user,secret"; break;
    case 7: values = "2"; break;
    case 9: values = "500"; break;
    case 10: values = "30"; break;
    case 11: values = parts.value(2) + ",+861380000000" + parts.value(2); break;
    case 12: values = "480"; break;
    case 17: values = "Truck7"; break;
    case 18: values = "600"; break;
    case 22: values = "1,2,3,0,1"; break;
    case 31: values = "800"; break;
    default: return '(' + head + ')';
    }
    return '(' + head + ',' + values + ')';
}

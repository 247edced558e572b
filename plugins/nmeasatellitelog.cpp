#include "nmeasatellitelog.h"

#include <QIODevice>

#include <algorithm>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// NMEA numbers satellites by constellation: 1-32 GPS, 33-64 SBAS,
// 65-96 GLONASS. Qt 5 only knows GPS and GLONASS.
QGeoSatelliteInfo::SatelliteSystem systemOf(int id)
{
    if (id >= 1 && id <= 32)
        return QGeoSatelliteInfo::GPS;
    if (id >= 65 && id <= 96)
        return QGeoSatelliteInfo::GLONASS;
    return QGeoSatelliteInfo::Undefined;
}

QGeoSatelliteInfo satellite(int id)
{
    QGeoSatelliteInfo info;
    info.setSatelliteIdentifier(id);
    info.setSatelliteSystem(systemOf(id));
    info.setSignalStrength(-1);
    return info;
}

// hhmmss[.sss] as sent in RMC and GGA.
QTime parseTime(const QByteArray &field)
{
    if (field.size() < 6)
        return QTime();
    bool ok = false;
    const int hhmmss = field.left(6).toInt(&ok);
    if (!ok)
        return QTime();
    int msec = 0;
    if (field.size() > 7 && field.at(6) == '.') {
        const double fraction = field.mid(6).toDouble(&ok);
        if (!ok)
            return QTime();
        msec = qRound(fraction * 1000);
    }
    return QTime(hhmmss / 10000, hhmmss / 100 % 100, hhmmss % 100, qMin(msec, 999));
}

} // namespace

bool NmeaSatelliteLog::hasValidChecksum(const QByteArray &sentence)
{
    const int star = sentence.lastIndexOf('*');
    if (!sentence.startsWith('$') || star < 1 || sentence.size() != star + 3)
        return false;
    const int high = hexValue(sentence.at(star + 1));
    const int low = hexValue(sentence.at(star + 2));
    if (high < 0 || low < 0)
        return false;
    char sum = 0;
    for (int i = 1; i < star; ++i)
        sum ^= sentence.at(i);
    return static_cast<unsigned char>(sum) == high * 16 + low;
}

NmeaSatelliteLog::NmeaSatelliteLog(QIODevice *device)
    : m_device(device)
{
}

NmeaReplay::Read NmeaSatelliteLog::readEpoch(Epoch *epoch)
{
    QByteArray line;
    for (int lines = 0; m_closed.isEmpty() && !m_atEnd; ++lines) {
        if (lines == NmeaReplay::LinesPerTurn)
            return NmeaReplay::Read::Unfinished;
        if (NmeaReplay::readLine(m_device, &line)) {
            addLine(line);
        } else {
            m_atEnd = true;
            closeEpoch();
        }
    }
    if (m_closed.isEmpty())
        return NmeaReplay::Read::Finished;
    *epoch = m_closed.dequeue();
    return NmeaReplay::Read::Ready;
}

void NmeaSatelliteLog::addLine(const QByteArray &line)
{
    const QByteArray sentence = line.trimmed();
    if (!hasValidChecksum(sentence))
        return;

    const QList<QByteArray> fields = sentence.mid(1, sentence.lastIndexOf('*') - 1).split(',');
    const QByteArray &address = fields.first();
    if (address.size() != 5)
        return;
    const QByteArray talker = address.left(2);
    if (talker != "GP" && talker != "GN")
        return;

    const QByteArray type = address.mid(2);
    if (type == "GSA")
        handleGsa(fields);
    else if (type == "GSV")
        handleGsv(talker, fields);
    else if ((type == "RMC" || type == "GGA") && fields.size() > 1)
        handleFixTime(fields.at(1));
}

void NmeaSatelliteLog::handleFixTime(const QByteArray &field)
{
    const QTime time = parseTime(field);
    if (!time.isValid() || time == m_time)
        return;
    closeEpoch();
    m_time = time;
}

void NmeaSatelliteLog::handleGsa(const QList<QByteArray> &fields)
{
    // $xxGSA,mode,fix,12 x id,PDOP,HDOP,VDOP[,system]
    if (fields.size() < 15)
        return;
    // A GSA after this epoch's GSV belongs to the next epoch. Consecutive GSA
    // sentences (one per constellation) add up.
    if (m_hasGsv)
        closeEpoch();
    m_hasGsa = true;
    if (fields.at(2) == "1") // no fix: nothing in use
        return;
    for (int i = 3; i < 15; ++i) {
        bool ok = false;
        const int id = fields.at(i).toInt(&ok);
        if (ok && id > 0 && !m_usedIds.contains(id))
            m_usedIds.append(id);
    }
}

void NmeaSatelliteLog::handleGsv(const QByteArray &talker, const QList<QByteArray> &fields)
{
    // $xxGSV,total,number,in view,{id,elevation,azimuth,SNR} x 1-4[,signal]
    if (fields.size() < 4)
        return;
    bool totalOk = false;
    bool numberOk = false;
    const int total = fields.at(1).toInt(&totalOk);
    const int number = fields.at(2).toInt(&numberOk);
    if (!totalOk || !numberOk || total < 1 || number < 1 || number > total)
        return;

    if (number == 1) {
        if (m_completedTalkers.contains(talker))
            closeEpoch();
        resetGsvRound();
        m_gsvTalker = talker;
        m_gsvTotal = total;
        m_gsvNext = 1;
    } else if (talker != m_gsvTalker || total != m_gsvTotal || number != m_gsvNext) {
        // A part went missing (bad checksum, truncated log): drop the round
        // rather than report half the sky.
        resetGsvRound();
        return;
    }
    m_hasGsv = true;

    for (int i = 4; i + 3 < fields.size(); i += 4) {
        bool ok = false;
        const int id = fields.at(i).toInt(&ok);
        if (!ok || id <= 0)
            continue;
        QGeoSatelliteInfo info = satellite(id);
        const double elevation = fields.at(i + 1).toDouble(&ok);
        if (ok)
            info.setAttribute(QGeoSatelliteInfo::Elevation, elevation);
        const double azimuth = fields.at(i + 2).toDouble(&ok);
        if (ok)
            info.setAttribute(QGeoSatelliteInfo::Azimuth, azimuth);
        // An empty SNR means the satellite is in view but not tracked.
        const int snr = fields.at(i + 3).toInt(&ok);
        if (ok)
            info.setSignalStrength(snr);
        m_gsvSatellites.append(info);
    }

    if (number == total) {
        m_viewed += m_gsvSatellites;
        m_completedTalkers.insert(talker);
        resetGsvRound();
    } else {
        ++m_gsvNext;
    }
}

void NmeaSatelliteLog::closeEpoch()
{
    const bool hasView = !m_completedTalkers.isEmpty();
    if (hasView)
        m_lastInView = m_viewed;
    if (m_hasGsa)
        m_lastUsedIds = m_usedIds;

    if (hasView || m_hasGsa) {
        Epoch epoch;
        epoch.time = m_time;
        epoch.inView = m_lastInView;
        for (int id : qAsConst(m_lastUsedIds)) {
            auto it = std::find_if(m_lastInView.cbegin(), m_lastInView.cend(),
                                   [id](const QGeoSatelliteInfo &s) { return s.satelliteIdentifier() == id; });
            epoch.inUse.append(it != m_lastInView.cend() ? *it : satellite(id));
        }
        m_closed.enqueue(epoch);
    }

    m_hasGsa = false;
    m_hasGsv = false;
    m_usedIds.clear();
    m_viewed.clear();
    m_completedTalkers.clear();
    resetGsvRound();
}

void NmeaSatelliteLog::resetGsvRound()
{
    m_gsvTalker.clear();
    m_gsvTotal = 0;
    m_gsvNext = 0;
    m_gsvSatellites.clear();
}

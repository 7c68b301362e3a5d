#pragma once

#include <QList>
#include <QString>
#include <QVector>

#include <cstdint>

struct xcb_connection_t;

/// The XInput device property changes (XIChangeProperty requests) that programs send to an X server, recorded by
/// the server's RECORD extension as they arrive: what a program asked for, whatever the server then made of it.
/// Records the clients that connect after it started.
class XPropertyRecorder {
public:
    /// One request as the client sent it.
    struct Change {
        QString property;       ///< the property's name, "Coordinate Transformation Matrix"
        QString type;           ///< the type's name, "FLOAT" or "INTEGER"
        QVector<double> items;  ///< 32-bit items read as floats (the matrices' type)
    };

    /// Starts recording on @p display; isRecording() tells whether it could.
    explicit XPropertyRecorder(const QString &display);
    XPropertyRecorder(const XPropertyRecorder &) = delete;
    XPropertyRecorder &operator=(const XPropertyRecorder &) = delete;
    ~XPropertyRecorder();

    bool isRecording() const { return m_recording; }

    /// Ends the recording: the requests of the clients that have finished, in the order the server got them.
    QList<Change> changes();

private:
    QString atomName(std::uint32_t atom) const;

    xcb_connection_t *m_control = nullptr;  // creates and ends the recording, names atoms
    xcb_connection_t *m_data = nullptr;     // receives the recorded requests once the recording ends
    std::uint32_t m_context = 0;
    unsigned int m_sequence = 0;  // of the request whose replies carry the recording
    bool m_recording = false;
};

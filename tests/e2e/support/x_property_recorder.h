#pragma once

#include <QList>
#include <QString>
#include <QVector>

#include <memory>

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

    bool isRecording() const;

    /// The requests recorded so far, waiting up to @p timeoutMs for at least @p atLeast of them.
    QList<Change> changes(int atLeast = 0, int timeoutMs = 2000) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

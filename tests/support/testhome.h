#ifndef TESTHOME_H
#define TESTHOME_H

#include <QString>
#include <QTemporaryDir>

// Gives the process a home of its own (HOME and the XDG folders), so that no test
// reads or writes the user's settings or cache.
class TestHome
{
public:
    TestHome();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

#endif

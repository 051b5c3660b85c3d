// Creates a database file from a schema script: tavrel-mkdb schema.sql out.mdb
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: tavrel-mkdb schema.sql out.mdb\n";
        return 2;
    }
    QFile schema(args.at(1));
    if (!schema.open(QIODevice::ReadOnly)) {
        err << "cannot read " << args.at(1) << '\n';
        return 1;
    }
    QString script;
    for (const QString& line : QString::fromUtf8(schema.readAll()).split(u'\n')) {
        if (!line.trimmed().startsWith(QLatin1String("--")))
            script += line + u'\n';
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("mkdb"));
        db.setDatabaseName(args.at(2));
        if (!db.open()) {
            err << db.lastError().text() << '\n';
            return 1;
        }
        QSqlQuery query(db);
        for (const QString& statement : script.split(u';')) {
            if (statement.trimmed().isEmpty())
                continue;
            if (!query.exec(statement)) {
                err << query.lastError().text() << '\n';
                return 1;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("mkdb"));
    return 0;
}

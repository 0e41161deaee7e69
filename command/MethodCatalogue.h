#pragma once

#include <QString>
#include <QVector>

// The camera's method vocabulary as the program knows it. Read-only tables, each
// ending with an entry whose name is empty.
struct MethodEntry {
    explicit MethodEntry(const char* methodName);
    MethodEntry(const char* methodName, int kindCount, int kind);

    QString name;
    QVector<int> parameterKinds;
};

namespace MethodCatalogue {

constexpr int MethodCount = 59;
constexpr int CommandWordCount = 12;

// Parameter kind codes as the camera's catalogue lists them.
constexpr int KindFlag = 5;
constexpr int KindText = 16;
constexpr int KindNumber = 17;

extern const MethodEntry methods[MethodCount];
extern const MethodEntry commandWords[CommandWordCount];

}

#pragma once
// Pictures a test renders through the snapshot routines, kept for a person
// to look at when OSTREL_REVIEW_PICTURES names a folder (nothing is written
// otherwise). The rendering itself is checked on every run.

#include <string>

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

#include "snapshots/PanelSnapshot.h"

namespace ostrel::testing {

/// Checks that the picture is `scale` times the widget's points and encodes; keeps it for review when asked.
inline void checkAndKeep(const std::optional<QImage>& picture, QSize points, double scale, const QString& name)
{
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->size(), points * scale);
    const std::optional<QByteArray> png = PanelSnapshot::pngData(*picture);
    ASSERT_TRUE(png.has_value());
    const QString folder = qEnvironmentVariable("OSTREL_REVIEW_PICTURES");
    if (folder.isEmpty()) {
        return;
    }
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(*png) == png->size());
}

}  // namespace ostrel::testing

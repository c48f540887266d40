// The job row: one row of the job list, its columns and its status words.
#pragma once

namespace engine {

enum JobColumn {
    kColumnNumber = 0,  // 1-based position, rewritten whenever the row is drawn
    kColumnName = 1,    // full path of the source file; the only column the worker reads
    kColumnLength = 2,  // duration text from the probe
    kColumnTarget = 3,  // always "flv"
    kColumnStatus = 4,  // status word
    kColumnCount = 5,
};

inline constexpr const char* kColumnTitles[kColumnCount] = {"NO.", "Name", "Length", "Target",
                                                            "Status"};
inline constexpr int kColumnWidths[kColumnCount] = {35, 245, 75, 60, 60};

inline constexpr char kStatusReady[] = "Ready";
inline constexpr char kStatusConverting[] = "Converting";
inline constexpr char kStatusComplete[] = "Complete";
inline constexpr char kStatusError[] = "Error";
inline constexpr char kStatusStop[] = "Stop";

}  // namespace engine

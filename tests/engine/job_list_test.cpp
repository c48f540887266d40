// The job list's rules (PlanJobs), each once, and what the list keeps of a batch's events.
#include "engine/job_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "engine/queue_file.h"
#include "fake_tool.h"

using engine::JobState;
using engine::Verdict;
using testing_support::EngineFolders;
using testing_support::WriteFile;

namespace {

engine::Job Row(const std::string& source, JobState state = JobState::Ready) {
    engine::Job job;
    job.source = source;
    job.state = state;
    return job;
}

struct RuleCase {
    const char* name;
    // Builds the rows (the last one is the row judged) and may change the options.
    std::function<std::vector<engine::Job>(const EngineFolders&, engine::PlanOptions&)> rows;
    Verdict verdict;
    const char* reason;  // a part of the reason, "" for none
};

const RuleCase kRules[] = {
    {"a new file runs",
     [](const EngineFolders& f, engine::PlanOptions&) {
         return std::vector{Row(f.Source("a.avi"))};
     },
     Verdict::Run, ""},
    {"a relative source is skipped",
     [](const EngineFolders&, engine::PlanOptions&) { return std::vector{Row("a.avi")}; },
     Verdict::Skip, "not absolute"},
    {"the same file under another name is listed",
     [](const EngineFolders& f, engine::PlanOptions&) {
         const std::string a = f.Source("a.avi");
         std::filesystem::create_hard_link(a, f.In("b.mpg"));
         return std::vector{Row(a), Row(f.In("b.mpg"))};
     },
     Verdict::Listed, "more than once"},
    {"the same file spelt with a dot is listed",
     [](const EngineFolders& f, engine::PlanOptions&) {
         const std::string a = f.Source("a.avi");
         return std::vector{Row(a), Row(f.Path("in/./a.avi"))};
     },
     Verdict::Listed, "more than once"},
    {"targets that differ only in letter case collide",
     [](const EngineFolders& f, engine::PlanOptions& o) {
         o.folder = f.Out();
         std::filesystem::create_directories(f.Path("in2"));
         WriteFile(f.Path("in2/A.mpg"), "x");
         return std::vector{Row(f.Source("a.avi")), Row(f.Path("in2/A.mpg"))};
     },
     Verdict::Skip, "also the target of"},
    {"a target an earlier row writes is skipped",
     [](const EngineFolders& f, engine::PlanOptions&) {
         return std::vector{Row(f.Source("a.avi")), Row(f.Source("a.mpg"))};
     },
     Verdict::Skip, "also the target of"},
    {"a .part name that is another row's source is skipped",
     [](const EngineFolders& f, engine::PlanOptions&) {
         const std::string part = engine::PartPathOf(f.Out("a.flv"));
         WriteFile(part, "a source");
         return std::vector{Row(part), Row(f.Source("a.avi"))};
     },
     Verdict::Skip, "is the source"},
    {"an existing target is asked about",
     [](const EngineFolders& f, engine::PlanOptions&) {
         WriteFile(f.Out("a.flv"), "old");
         return std::vector{Row(f.Source("a.avi"))};
     },
     Verdict::Ask, ""},
    {"an existing target the user agreed to replace runs",
     [](const EngineFolders& f, engine::PlanOptions&) {
         WriteFile(f.Out("a.flv"), "old");
         engine::Job row = Row(f.Source("a.avi"));
         row.replaceStamp = engine::FileStamp(f.Out("a.flv"));
         return std::vector{row};
     },
     Verdict::Run, ""},
    {"a target that changed after the answer is asked about again",
     [](const EngineFolders& f, engine::PlanOptions&) {
         WriteFile(f.Out("a.flv"), "old");
         engine::Job row = Row(f.Source("a.avi"));
         row.replaceStamp = engine::FileStamp(f.Out("a.flv"));
         WriteFile(f.Out("a.flv"), "newer and longer");
         return std::vector{row};
     },
     Verdict::Ask, ""},
    {"an existing target is skipped without overwrite",
     [](const EngineFolders& f, engine::PlanOptions& o) {
         o.existing = engine::ExistingTargets::Skip;
         WriteFile(f.Out("a.flv"), "old");
         return std::vector{Row(f.Source("a.avi"))};
     },
     Verdict::Skip, "exists"},
    {"an existing target is replaced with overwrite",
     [](const EngineFolders& f, engine::PlanOptions& o) {
         o.existing = engine::ExistingTargets::Replace;
         WriteFile(f.Out("a.flv"), "old");
         return std::vector{Row(f.Source("a.avi"))};
     },
     Verdict::Run, ""},
    {"a complete row whose result is in place is kept",
     [](const EngineFolders& f, engine::PlanOptions&) {
         WriteFile(f.Out("a.flv"), "result");
         engine::Job row = Row(f.Source("a.avi"), JobState::Complete);
         row.resultStamp = engine::FileStamp(f.Out("a.flv"));
         return std::vector{row};
     },
     Verdict::Keep, ""},
    {"a complete row whose result is gone runs",
     [](const EngineFolders& f, engine::PlanOptions&) {
         engine::Job row = Row(f.Source("a.avi"), JobState::Complete);
         row.resultStamp = "1:2:3:4";
         return std::vector{row};
     },
     Verdict::Run, ""},
    {"convert again asks about a complete row's own result",
     [](const EngineFolders& f, engine::PlanOptions& o) {
         o.only = {0};
         WriteFile(f.Out("a.flv"), "result");
         engine::Job row = Row(f.Source("a.avi"), JobState::Complete);
         row.resultStamp = engine::FileStamp(f.Out("a.flv"));
         return std::vector{row};
     },
     Verdict::Ask, ""},
    {"convert again leaves the rows not chosen",
     [](const EngineFolders& f, engine::PlanOptions& o) {
         o.only = {0};
         return std::vector{Row(f.Source("a.avi")), Row(f.Source("b.avi"))};
     },
     Verdict::Keep, ""},
};

TEST(PlanJobsTest, EveryRuleJudgesTheLastRow) {
    for (const RuleCase& rule : kRules) {
        EngineFolders folders;
        engine::PlanOptions options;
        options.folder = folders.Out();
        const std::vector<engine::Job> rows = rule.rows(folders, options);
        const engine::Plan plan = engine::PlanJobs(rows, options);
        ASSERT_EQ(plan.rows.size(), rows.size()) << rule.name;
        const engine::PlanEntry& entry = plan.rows.back();
        EXPECT_EQ(entry.verdict, rule.verdict) << rule.name << ": " << entry.reason;
        EXPECT_NE(entry.reason.find(rule.reason), std::string::npos)
            << rule.name << ": " << entry.reason;
        EXPECT_EQ(plan.folderProblem, "") << rule.name;
    }
}

TEST(PlanJobsTest, AnOutputFolderThatCannotTakeResultsIsTheWholePlansProblem) {
    EngineFolders folders;
    engine::PlanOptions options;
    options.folder = folders.Path("missing");
    const engine::Plan plan = engine::PlanJobs({Row(folders.Source("a.avi"))}, options);
    EXPECT_NE(plan.folderProblem.find("does not exist"), std::string::npos);
}

TEST(JobListTest, KeepsWhatABatchReportsAndSaysWhenToSave) {
    EngineFolders folders;
    engine::JobList list;
    int changes = 0;
    list.onChange = [&changes] { ++changes; };
    list.Insert(0, {Row(folders.Source("b.avi")), Row(folders.Source("c.avi"))});
    list.Insert(0, {Row(folders.Source("a.avi"))});
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Row(0).source, folders.In("a.avi"));
    EXPECT_EQ(changes, 2);

    engine::Job job = list.Row(1);
    job.target = folders.Out("b.flv");
    job.state = JobState::Converting;
    EXPECT_TRUE(list.Apply(1, job));
    EXPECT_GT(list.Row(1).started, 0);
    job.progress = 40;
    EXPECT_FALSE(list.Apply(1, job));  // progress alone is not saved
    EXPECT_EQ(list.Row(1).progress, 40);
    WriteFile(job.target, "result");
    job.state = JobState::Complete;
    EXPECT_TRUE(list.Apply(1, job));
    EXPECT_EQ(list.Row(1).resultStamp, engine::FileStamp(job.target));
    EXPECT_GE(list.Row(1).ended, list.Row(1).started);
    EXPECT_EQ(changes, 4);

    list.Remove({2, 0});
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Row(0).source, folders.In("b.avi"));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(changes, 6);
}

}  // namespace

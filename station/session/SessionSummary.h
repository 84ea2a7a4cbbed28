#pragma once

#include <map>
#include <string>

// What one run of a session did, for its report and its exit status.
struct SessionSummary {
    int toVerify = 0; // words the rule chose, skipped ones included
    std::map<std::string, int> chosenFor; // those to verify in this run, by why they were chosen
    int audit = 0; // the audit's words, apart from the rule's
    int ok = 0;
    int corrected = 0;
    int forTraining = 0;
    int ignored = 0;
    int skipped = 0;
    int earlier = 0; // answered in an earlier run
    bool cancelled = false;
    int pages = 0;
    int pagesFailed = 0; // in this run, those prepared ahead of the operator included
    int pagesUnwritten = 0; // in this run: pages whose files could not be written
};

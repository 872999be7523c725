#include "analysis/AnalysisChain.h"

#include "document/CVorlixDoc.h"

bool RunAnalysisChain(CVorlixDoc& doc, std::string* error) {
    (void)doc;
    (void)error;
    return true;
}

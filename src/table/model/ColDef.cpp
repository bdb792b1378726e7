#include "table/model/ColDef.h"

#include <utility>

namespace Tabra {

CCellFactory* CStringCol::CreateFactory() const {
    return new CFAny<CDString>;
}

CCellFactory* CIntCol::CreateFactory() const {
    return new CFAny<CDInt>;
}

CBoolCol::CBoolCol(int drawFlags, std::string trueText, std::string falseText, bool checkMarks)
    : drawFlags(drawFlags), checkMarks(checkMarks), texts{std::move(falseText), std::move(trueText), {}} {}

CCellFactory* CBoolCol::CreateFactory() const {
    return new CFAny<CDBool>;
}

CEnumCol::CEnumCol(CAbstractEnum* enumeration, int mode, int drawFlags)
    : enumeration(enumeration), mode(mode), drawFlags(drawFlags != -1      ? drawFlags
                                                      : mode == ENUM_IMAGE ? kDrawCenter
                                                                           : kDrawLeft) {
    enumeration->AddRef();
}

CCellFactory* CEnumCol::CreateFactory() const {
    return new CFAny<CDInt>;
}

} // namespace Tabra

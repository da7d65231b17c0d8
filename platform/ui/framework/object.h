// The framework's root class and run-time class information: every class
// can say its name and whether it is a kind of another class.
#pragma once

#include "platform/ui/types.h"

namespace qm::ui {

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    const CRuntimeClass* m_pBaseClass;
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* cls) const;
    static const CRuntimeClass classCObject;
};

}  // namespace qm::ui

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)
#define DECLARE_DYNAMIC(class_name)                                 \
public:                                                             \
    static const ::qm::ui::CRuntimeClass class##class_name;         \
    const ::qm::ui::CRuntimeClass* GetRuntimeClass() const override;
#define IMPLEMENT_DYNAMIC(class_name, base_name)                                                           \
    const ::qm::ui::CRuntimeClass class_name::class##class_name = {#class_name, int(sizeof(class_name)), \
                                                                   RUNTIME_CLASS(base_name)};             \
    const ::qm::ui::CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

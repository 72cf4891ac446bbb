#include "framework/CmdTarget.h"

CCmdTarget::~CCmdTarget() = default;

const CMessageMap* CCmdTarget::GetThisMessageMap()
{
    static const CMessageMap map{nullptr, nullptr, 0};
    return &map;
}

const CMessageMap* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

bool CCmdTarget::HandleMessage(UINT nMessage, UINT nCode, UINT nId, WPARAM wParam, LPARAM lParam,
                               LRESULT* pResult)
{
    const bool bFromControl = nMessage == WM_COMMAND || nMessage == WM_NOTIFY;
    for (const CMessageMap* pMap = GetMessageMap(); pMap;
         pMap = pMap->pfnBase ? pMap->pfnBase() : nullptr) {
        for (size_t i = 0; i < pMap->nEntries; ++i) {
            const CMessageMapEntry& e = pMap->pEntries[i];
            if (e.nMessage != nMessage || (bFromControl && (e.nCode != nCode || e.nId != nId)))
                continue;
            const HandlerFunction& f = e.handler;
            LRESULT nResult = 0;
            switch (e.kind) {
                case HandlerKind::Plain:
                    (this->*f.pfnPlain)();
                    break;
                case HandlerKind::Timer:
                    (this->*f.pfnTimer)(static_cast<UINT_PTR>(wParam));
                    break;
                case HandlerKind::Cursor:
                    nResult = reinterpret_cast<LRESULT>((this->*f.pfnCursor)());
                    break;
                case HandlerKind::Message:
                    nResult = (this->*f.pfnMessage)(wParam, lParam);
                    break;
                case HandlerKind::Notify:
                    (this->*f.pfnNotify)(reinterpret_cast<NMHDR*>(lParam), &nResult);
                    break;
                case HandlerKind::NotifyEx:
                    if (!(this->*f.pfnNotifyEx)(nId, reinterpret_cast<NMHDR*>(lParam), &nResult))
                        continue;
                    break;
            }
            *pResult = nResult;
            return true;
        }
    }
    return false;
}
